#include "Vst2Effect.h"

namespace Vst2
{
struct AEffect;
#include <pluginterfaces/vst2.x/aeffectx.h>
} // namespace Vst2

namespace
{
Vst2::AEffect* asEffect (void* p) { return static_cast<Vst2::AEffect*> (p); }

struct EffectFinder : juce::ExtensionsVisitor
{
    void visitVSTClient (const VSTClient& client) override { effect = client.getAEffectPtr(); }
    void* effect = nullptr;
};
} // namespace

Vst2Effect::Vst2Effect (juce::AudioPluginInstance& instance)
{
    EffectFinder finder;
    instance.getExtensions (finder);
    effect = finder.effect;
}

juce::pointer_sized_int Vst2Effect::dispatch (int opcode, int index, juce::pointer_sized_int value, void* ptr) const
{
    auto* e = asEffect (effect);
    return (juce::pointer_sized_int) e->dispatcher (e, opcode, index, value, ptr, 0.0f);
}

juce::String Vst2Effect::text (int opcode, int index) const
{
    char buffer[256] = {};
    dispatch (opcode, index, 0, buffer);
    return juce::String::fromUTF8 (buffer);
}

int Vst2Effect::uniqueId() const { return asEffect (effect)->uniqueID; }
int Vst2Effect::versionField() const { return asEffect (effect)->version; }
int Vst2Effect::vendorVersion() const { return (int) dispatch (Vst2::effGetVendorVersion, 0, 0, nullptr); }
int Vst2Effect::category() const { return (int) dispatch (Vst2::effGetPlugCategory, 0, 0, nullptr); }
int Vst2Effect::numInputs() const { return asEffect (effect)->numInputs; }
int Vst2Effect::numOutputs() const { return asEffect (effect)->numOutputs; }
int Vst2Effect::numPrograms() const { return asEffect (effect)->numPrograms; }
int Vst2Effect::flags() const { return (int) asEffect (effect)->flags; }

int Vst2Effect::canDo (const char* capability) const
{
    return (int) dispatch (Vst2::effCanDo, 0, 0, const_cast<char*> (capability));
}

juce::String Vst2Effect::effectName() const { return text (Vst2::effGetEffectName, 0); }
juce::String Vst2Effect::vendorString() const { return text (Vst2::effGetVendorString, 0); }
juce::String Vst2Effect::productString() const { return text (Vst2::effGetProductString, 0); }
juce::String Vst2Effect::parameterName (int index) const { return text (Vst2::effGetParamName, index); }
juce::String Vst2Effect::parameterText (int index) const { return text (Vst2::effGetParamDisplay, index); }

void Vst2Effect::setParameter (int index, float value) const
{
    auto* e = asEffect (effect);
    e->setParameter (e, index, value);
}

float Vst2Effect::getParameter (int index) const
{
    auto* e = asEffect (effect);
    return e->getParameter (e, index);
}

juce::MemoryBlock Vst2Effect::chunk() const
{
    void* data = nullptr;
    const auto size = dispatch (Vst2::effGetChunk, 0, 0, &data);
    return data != nullptr && size > 0 ? juce::MemoryBlock (data, (size_t) size) : juce::MemoryBlock();
}
