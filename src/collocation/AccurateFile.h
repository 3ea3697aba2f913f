#pragma once
// The accurate method's file beside a problem pair: NAME.acc keeps what the pair cannot, the
// method, the automatic degree's settings and the Chebyshev solution to every digit, so a
// problem saved in the accurate method reopens in it with its solution. The pair itself is
// written exactly as in the equally spaced method (its series file holds the power coefficients),
// so every other reader of the pair sees the same problem.
//
//   ODE Series accurate method 1
//   method chebyshev
//   automatic-degree yes
//   max-degree 1000
//   tolerance 1e-13
//   problem 5c1b0e3a9d2f7a41
//   interval 1 3
//   coefficients 3
//   0.57735026918962584
//   ...
//
// A system has one "coefficients" block for each variable, in the variables' order. "problem"
// is the fingerprint of the problem file NAME.str written in the same save: a NAME.acc copied
// beside another problem, or left beside a problem file edited since, is known by it (files
// written before it was kept have none and are taken as they are).
//
// Numbers are written in their shortest form that reads back to the same double.

#include "collocation/Chebyshev.h"
#include "common/Limits.h"
#include "session/ProblemFiles.h"
#include "session/Session.h"

#include <string>
#include <vector>

namespace ode {

struct AccurateSettings {
    bool autoDegree = false;
    int maxDegree = kDefaultAutoDegreeLimit;
    double tolerance = kDefaultTolerance;
    std::string problem;                   // ProblemFingerprint of NAME.str; "" when not kept
    std::vector<ChebyshevSeries> solution; // when the problem was saved solved: one a variable
};

// A session's method settings as NAME.acc keeps them (no solution yet).
AccurateSettings SettingsOf(const Session& session);

// Open's step for either kind of session: NAME.acc beside `problemPath` read into `settings`,
// and `session` given its method and settings. False when there is none, or it is damaged or
// belongs to another problem file than NAME.str (the message then goes to the session's host):
// the session stays in the equally spaced method.
bool TakeAccurateFile(const std::string& problemPath, Session& session, AccurateSettings& settings);

// The fingerprint of a problem file's text: 16 hexadecimal digits (64-bit FNV-1a).
std::string ProblemFingerprint(const std::string& problemFileText);

std::string AccurateFileText(const AccurateSettings& settings);

// False with the reason ("line 6: ...") for a damaged file.
bool ReadAccurateFile(const std::string& text, AccurateSettings& settings, std::string& why);

// Open's step: NAME.acc beside the pair NAME, read into `settings`. False when there is none
// (`message` empty) or it cannot be read (`message` says so, for the user).
bool OpenAccurateFile(const std::string& problemPath, AccurateSettings& settings, std::string& message);

} // namespace ode
