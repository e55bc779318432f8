#include "params/KWParam.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

juce::String formatParamText (const char* format, ...)
{
    // Start at twice the format's length and grow until the text fits.
    std::vector<char> buffer (std::strlen (format) * 2 + 1);
    for (;;)
    {
        va_list args;
        va_start (args, format);
        const int written = std::vsnprintf (buffer.data(), buffer.size(), format, args);
        va_end (args);
        if (written < 0)
            return {};
        if ((size_t) written < buffer.size())
            return juce::String (buffer.data());
        buffer.resize ((size_t) written + 1);
    }
}

namespace
{
juce::ParameterID idFor (int index)
{
    // Zero-padded, so hosts that sort parameters by ID keep them in number order.
    return juce::ParameterID ("param" + juce::String (index).paddedLeft ('0', 2), 1);
}
} // namespace

KWParam::KWParam (int paramIndex, juce::String paramName, float defaultNormalised, bool isMorphable, bool isBipolar)
    : AudioProcessorParameterWithID (idFor (paramIndex), paramName),
      value (defaultNormalised),
      defaultValue (defaultNormalised),
      valueB (defaultNormalised),
      bipolar (isBipolar),
      mapper (std::make_unique<KWParamValueMapper>()),
      index (paramIndex),
      morphable (isMorphable)
{
}

KWParam::KWParam (int paramIndex, juce::String paramName, float defaultNormalised, std::vector<std::string> labels)
    : AudioProcessorParameterWithID (idFor (paramIndex), paramName),
      value (defaultNormalised),
      defaultValue (defaultNormalised),
      numSteps ((int) labels.size()),
      choices (std::move (labels)),
      valueB (defaultNormalised),
      mapper (std::make_unique<KWParamValueMapper>()),
      index (paramIndex)
{
}

void KWParam::setTargets (std::atomic<float>* a, std::atomic<float>* b, std::atomic<int>* integer)
{
    targetA = a;
    targetB = b;
    targetInt = integer;
}

float KWParam::getValue() const
{
    return value.load (std::memory_order_relaxed);
}

void KWParam::setValue (float v)
{
    // A host can automate anything into a float, NaN included.
    if (! (v >= 0.0f))
        v = 0.0f;
    if (v > 1.0f)
        v = 1.0f;
    value.store (v, std::memory_order_relaxed);
    if (targetA != nullptr)
        targetA->store (mapper->toEngine (v), std::memory_order_relaxed);
    if (targetInt != nullptr)
        targetInt->store (mapper->toInt (v, numSteps), std::memory_order_relaxed);
}

void KWParam::setValueB (float v)
{
    // Group B is not clamped: it only ever receives values the program made.
    valueB.store (v, std::memory_order_relaxed);
    if (targetB != nullptr)
        targetB->store (mapper->toEngine (v), std::memory_order_relaxed);
}

void KWParam::swapWith (KWParam& other)
{
    const float a = getValue();
    const float b = getValueB();
    setValue (other.getValue());
    setValueB (other.getValueB());
    other.setValue (a);
    other.setValueB (b);
}

float KWParam::getDefaultValue() const { return defaultValue; }
juce::String KWParam::getName (int) const { return name; }
juce::String KWParam::getLabel() const { return name; }
int KWParam::getNumSteps() const { return numSteps; }
float KWParam::getValueForText (const juce::String&) const { return 0.0f; }
bool KWParam::isOrientationInverted() const { return false; }
bool KWParam::isAutomatable() const { return true; }
bool KWParam::isMetaParameter() const { return false; }
bool KWParam::isDiscrete() const { return numSteps > 0; }

juce::String KWParam::getText (float v, int) const
{
    if (numSteps != 0)
    {
        const int k = (int) ((float) (numSteps - 1) * v);
        if (k < 0 || k >= (int) choices.size())
            return "WRONG!";
        return juce::String (choices[(size_t) k]);
    }
    if (textFunction)
        return textFunction (v, *mapper);
    return defaultText (v);
}

juce::String KWParam::defaultText (float v) const
{
    const double x = bipolar ? ((double) v - 0.5) * 2.0 : (double) v;
    return name + ": " + formatParamText ("%03.02f", x);
}
