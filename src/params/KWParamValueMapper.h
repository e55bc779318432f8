#pragma once

/** Converts a parameter's normalised value (0..1) to the value the engine uses
    and back. The base class is the identity. Exponential and logarithmic terms
    are computed in double precision and rounded to float before the next step;
    those rounding points are part of how every stored sound plays back. */
class KWParamValueMapper
{
public:
    virtual ~KWParamValueMapper() = default;

    virtual int toInt (float v, int steps) const;
    virtual float fromInt (int i, int steps) const;
    virtual float toEngine (float v) const;
    virtual float fromEngine (float x) const;
    virtual bool toBool (float v) const;
    virtual float fromBool (bool b) const;
};

/** Level in decibels: -30 dB at 0, 0 dB at 0.75, +10 dB at 1. */
class KWParamAmpValueMapper : public KWParamValueMapper
{
public:
    float toEngine (float v) const override;
    float fromEngine (float x) const override;
};

/** (10^v - 1) / 9 spread over min..max: fine control at the low end. */
class KWParamExpValueMapper : public KWParamValueMapper
{
public:
    KWParamExpValueMapper (float minimum, float maximum) : min (minimum), max (maximum) {}
    float toEngine (float v) const override;
    float fromEngine (float x) const override;

private:
    float min, max;
};

/** The exponential law squared and divided by 5, for the longest envelope times. */
class KWParamExpValueMapper2 : public KWParamValueMapper
{
public:
    KWParamExpValueMapper2 (float minimum, float maximum) : min (minimum), max (maximum) {}
    float toEngine (float v) const override;
    float fromEngine (float x) const override;

private:
    float min, max;
};

/** scale * v + offset; its integer form is the truncated engine value. */
class KWParamScalarValueMapper : public KWParamValueMapper
{
public:
    KWParamScalarValueMapper (float scaleFactor, float offsetValue) : scale (scaleFactor), offset (offsetValue) {}
    int toInt (float v, int steps) const override;
    float fromInt (int i, int steps) const override;
    float toEngine (float v) const override;
    float fromEngine (float x) const override;

private:
    float scale, offset;
};
