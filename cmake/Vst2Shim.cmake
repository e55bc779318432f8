# JUCE includes the VST2 interface as <pluginterfaces/vst2.x/...>. Debian ships
# the free FST declarations of that ABI instead; these generated headers map one
# onto the other.
set(QUORVANE_VST2_SHIM "${CMAKE_BINARY_DIR}/vst2-shim")
set(QUORVANE_VST2_HOST_SHIM "${CMAKE_BINARY_DIR}/vst2-host-shim")

find_path(QUORVANE_FST_INCLUDE pluginterfaces/fst/fst.h REQUIRED)

file(WRITE "${QUORVANE_VST2_SHIM}/pluginterfaces/vst2.x/aeffect.h"
    "#pragma once\n#include <pluginterfaces/fst/aeffect.h>\n")
file(WRITE "${QUORVANE_VST2_SHIM}/pluginterfaces/vst2.x/aeffectx.h"
    "#pragma once\n#include <pluginterfaces/fst/aeffectx.h>\n")

# JUCE's hosting code embeds VstSpeakerArrangement by value and assumes the
# eight speakers of the original declaration; FST declares an open array, so a
# host compiled against it would write past the struct.
file(WRITE "${QUORVANE_VST2_HOST_SHIM}/pluginterfaces/vst2.x/aeffect.h"
    "#pragma once\n#include \"aeffectx.h\"\n")
file(WRITE "${QUORVANE_VST2_HOST_SHIM}/pluginterfaces/vst2.x/aeffectx.h"
"#pragma once
#define speakers speakers[8]; char fstOpenTail
#include <pluginterfaces/fst/aeffectx.h>
#undef speakers
")
