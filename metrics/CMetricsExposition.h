// A snapshot in the Prometheus text exposition format (version 0.0.4):
// one family per quantity in base units, each with HELP and TYPE lines,
// every sample labelled {chip, item, name}. A failed reading has no value
// sample, only kelvane_reading_ok 0.
#pragma once

#include <string>

#include "history/CReadingSnapshot.h"

class CMetricsExposition {
public:
    static constexpr const char* kContentType = "text/plain; version=0.0.4; charset=utf-8";
    // The file name the textfile collector reads.
    static constexpr const char* kTextfileName = "kelvane.prom";

    static std::string Text(const CReadingSnapshot& snapshot, const std::string& version);
    // A label value with backslash, double quote and line feed escaped.
    static std::string LabelValue(const std::string& text);
    // A sample value to six significant digits, "." as decimal point.
    static std::string SampleValue(double value);
    // Writes Text into directory/kelvane.prom through a temporary file and a
    // rename, so that a reader never sees half a file. False with a reason.
    static bool WriteTextfile(const std::string& directory, const std::string& text, std::string& error);
};
