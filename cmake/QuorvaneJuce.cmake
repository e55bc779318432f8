# JUCE is compiled once per build configuration into a static library that the
# plug-in, the engine library, the tests and the tools link. Two variants exist:
# the product one (no plug-in hosting) and a host one for the test host and the
# command-line renderer, which load built plug-in binaries.

set(QUORVANE_JUCE_MODULES
    juce::juce_audio_basics
    juce::juce_audio_devices
    juce::juce_audio_formats
    juce::juce_audio_processors
    juce::juce_audio_utils
    juce::juce_core
    juce::juce_data_structures
    juce::juce_events
    juce::juce_graphics
    juce::juce_gui_basics
    juce::juce_gui_extra)

set(QUORVANE_JUCE_CONFIG
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_VST3_CAN_REPLACE_VST2=0
    JUCE_ALSA=1
    JUCE_JACK=1
    JUCE_SILENCE_XCODE_15_LINKER_WARNING=1)

# Debian's JUCE decodes images and compressed audio with the system libraries;
# they must follow the JUCE library on every link line.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QUORVANE_SYSTEM_CODECS REQUIRED IMPORTED_TARGET flac vorbisenc vorbisfile vorbis ogg)

# quorvane_add_juce_library(<name> [HOSTING])
function(quorvane_add_juce_library name)
    cmake_parse_arguments(ARG "HOSTING" "" "" ${ARGN})
    add_library(${name} STATIC)
    target_link_libraries(${name}
        PRIVATE ${QUORVANE_JUCE_MODULES}
        PUBLIC juce::juce_recommended_config_flags
               juce::pkgconfig_JUCE_IMG_LINUX_DEPS
               PkgConfig::QUORVANE_SYSTEM_CODECS)
    target_compile_definitions(${name} PUBLIC ${QUORVANE_JUCE_CONFIG})
    if(QUORVANE_SANITIZE MATCHES "thread")
        target_link_libraries(${name} PRIVATE quorvane_sanitizers)
    endif()
    if(ARG_HOSTING)
        # Hosts run their message loop while they wait for plug-in calls made
        # from other threads.
        target_compile_definitions(${name} PUBLIC
            JUCE_PLUGINHOST_VST=1 JUCE_PLUGINHOST_VST3=1 JUCE_PLUGINHOST_LV2=1 JUCE_MODAL_LOOPS_PERMITTED=1)
        # The host side of JUCE's VST2 code needs the speaker arrangement with
        # a fixed room for eight speakers.
        target_include_directories(${name} PUBLIC "${QUORVANE_VST2_HOST_SHIM}")
        # The FST headers flag their reverse-engineered parts with #warning.
        target_compile_options(${name} PRIVATE -Wno-cpp -Wno-deprecated-declarations)
    endif()
    # Consumers see the module headers and definitions without compiling the
    # module sources again.
    target_include_directories(${name} SYSTEM INTERFACE
        $<TARGET_PROPERTY:${name},INCLUDE_DIRECTORIES>)
    target_compile_definitions(${name} INTERFACE
        $<TARGET_PROPERTY:${name},COMPILE_DEFINITIONS>)
    set_target_properties(${name} PROPERTIES
        POSITION_INDEPENDENT_CODE TRUE
        VISIBILITY_INLINES_HIDDEN TRUE
        C_VISIBILITY_PRESET hidden
        CXX_VISIBILITY_PRESET hidden)
endfunction()
