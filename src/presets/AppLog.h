#pragma once

/** Appends one printf-formatted line to the plug-in's log file ("console.txt" in
    the "quorvane" folder of the system's log location). Lines longer than 19999
    bytes are cut. Never call it from the audio thread. */
void logMessage (const char* format, ...)
#if defined(__GNUC__)
    __attribute__ ((format (printf, 1, 2)))
#endif
    ;
