#pragma once

#include <string>

#include "hosts_file.h"

namespace hostline::testing {

// Fixed here rather than taken from the build, so the expectations below read as plain text.
inline constexpr HostsConstants kConstants{"service.example.com", "192.0.2.1", "198.51.100.1"};
inline constexpr HostsConstants kEqualLines{"service.example.com", "10.0.0.1", "10.0.0.1"};

// The host as a literal, so test lines can be spelled out around it.
#define HOST "service.example.com"

}  // namespace hostline::testing
