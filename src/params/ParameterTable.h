#pragma once

#include "params/KWParam.h"

#include <memory>
#include <vector>

/** Builds the 87 parameters in index order, with their names, morph flags,
    choices, defaults, mappers and display texts. The caller points them at the
    patch's value slots. */
std::vector<std::unique_ptr<KWParam>> buildParameterTable();

/** The cutoff law shared by the filters, key tracking, the LFO filter targets
    and the band split: u in 0..1 means 2^(9.28 u + 5) Hz. The exponent and the
    power are each rounded to float. */
float cutoffToHz (float u);
