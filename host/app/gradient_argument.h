// A gradient typed on the command line: a knot list such as
// "0:#3a3530,0.6:#8a8070,1:#d8d0c0" with an optional interpolation word at the
// end ("...,linear").
//
//   KNOT[,KNOT]...[,INTERPOLATION]
//   KNOT          = POSITION:COLOR
//   POSITION      = a number from 0 to 1, or a percentage (60%)
//   COLOR         = #rrggbb or #rgb, sRGB as colour pickers show it; the
//                   gradient holds it as linear light. Or a number, a linear
//                   grey level (0.5 or 50%), as a height gradient wants it
//   INTERPOLATION = step, linear, smooth (the default), ease-in, ease-out,
//                   cubic or blend; it applies to every knot
#pragma once

#include <string>
#include <vector>

#include "hostapi/api.h"

namespace qhost::app {

// The knots of text, in the order given; throws UsageError naming parameter
// and the element that is wrong.
std::vector<GradientKnot> ParseGradientKnots(const std::string& parameter, const std::string& text);

// A gradient holding the knots of text, as a parameter value.
GeData ParseGradientValue(const std::string& parameter, const std::string& text);

} // namespace qhost::app
