#pragma once

class DSPContext;

/** Base of every DSP module. A module registers with the context it is built
    with and keeps a float copy of the context's sample rate up to date. */
class KWDSPModuleBase
{
public:
    explicit KWDSPModuleBase (DSPContext& context);
    virtual ~KWDSPModuleBase();

    KWDSPModuleBase (const KWDSPModuleBase&) = delete;
    KWDSPModuleBase& operator= (const KWDSPModuleBase&) = delete;

    /** Called by the context after its sample rate changed. */
    virtual void sampleRateChanged();

protected:
    float sampleRate;
    DSPContext* context;
};
