#include "dsp/KWDSPModuleBase.h"

#include "dsp/DSPContext.h"

KWDSPModuleBase::KWDSPModuleBase (DSPContext& ctx)
    : sampleRate ((float) ctx.sampleRate), context (&ctx)
{
    context->addModule (this);
}

KWDSPModuleBase::~KWDSPModuleBase()
{
    context->removeModule (this);
}

void KWDSPModuleBase::sampleRateChanged()
{
    sampleRate = (float) context->sampleRate;
}
