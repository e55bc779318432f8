# Warning flags for the project's own targets (JUCE's own sources keep theirs).
add_library(quorvane_warnings INTERFACE)
target_compile_options(quorvane_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
    -Wcast-align -Wunused
    $<$<BOOL:${QUORVANE_WARNINGS_AS_ERRORS}>:-Werror>)
target_link_libraries(quorvane_warnings INTERFACE quorvane_sanitizers)
