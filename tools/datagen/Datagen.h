// The Data/ generators. Each writes its files into `dir` (created by the
// caller) and returns false, after saying why on stderr, when it fails.
#pragma once

#include <string>

bool GenerateTestCard(const std::string &dir);   // Testing.pcx
bool GenerateMusic(const std::string &dir);      // Kestrun.it
bool GenerateNumbers(const std::string &dir);    // Numbers.raw
