#pragma once

/** Prints how far below the fundamental the strongest aliased partial of the
    band-limited saw and pulse lies, for fundamentals of 1, 5 and 10 kHz at
    44.1 kHz, with the long and the short residual. */
void printAliasTable();
