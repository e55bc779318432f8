#pragma once

#include "engine/VexmoorSynth.h"
#include "params/ParamIndex.h"

#include <gtest/gtest.h>

#include <vector>

/** An engine with a MIDI queue for the next render and a few sounds that make
    measurements easy. */
class EngineFixture : public ::testing::Test
{
protected:
    static constexpr int kRate = 44100;

    VexmoorSynth engine;
    juce::MidiBuffer midi;

    KWParam& param (int index) { return engine.getPatch().param (index); }
    void choose (int index, int choice) { param (index).setFromInt (choice); }

    void noteOn (int midiNote, int sample = 0, int velocity = 100);
    void noteOff (int midiNote, int sample = 0);
    void controller (int number, int value, int sample = 0);

    /** Renders samples (a multiple of 32) in blocks of up to 512; the queued
        MIDI goes to the first block. Returns the left channel. */
    std::vector<float> render (int samples);

    /** Oscillator 1 alone as a pure sine, no filters, no effects. */
    void useSine();
};
