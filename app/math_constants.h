// Mathematical constants shared by the program, its tools and its tests.
#ifndef HARMOLAB_APP_MATH_CONSTANTS_H
#define HARMOLAB_APP_MATH_CONSTANTS_H

constexpr double kPi = 3.14159265358979323846;

#endif
