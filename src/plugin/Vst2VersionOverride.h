#pragma once

// Included first by the VST2 wrapper only. The wrapper reports
// JucePlugin_VersionCode verbatim (JUCE_VST_RETURN_HEX_VERSION_NUMBER_DIRECTLY);
// VST2 hosts expect the decimal form major * 100 + minor * 10 + release.
// A constant rather than a number keeps JUCE's preprocessor range checks for
// hexadecimal version codes quiet.
static constexpr int kQuorvaneVst2Version = 120;

#undef JucePlugin_VersionCode
#define JucePlugin_VersionCode kQuorvaneVst2Version
