// A process locale whose decimal point is a comma, for as long as the object
// lives. The locale is generated into the build tree (DCS_LOCALE_DIR); ctest
// passes it in LOCPATH, and a run without ctest falls back to the same path.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

class CommaLocale {
 public:
  CommaLocale() {
#ifdef DCS_LOCALE_DIR
    if (std::getenv("LOCPATH") == nullptr) setenv("LOCPATH", DCS_LOCALE_DIR, 0);
#endif
    active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  ~CommaLocale() { std::setlocale(LC_ALL, "C"); }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  // True when the locale is set and the C library now reads "1,5" as 1.5.
  ::testing::AssertionResult active() const {
    if (!active_) return ::testing::AssertionFailure() << "de_DE.UTF-8 not found in LOCPATH";
    if (std::strtod("1,5", nullptr) != 1.5) {
      return ::testing::AssertionFailure() << "the decimal point is not a comma";
    }
    return ::testing::AssertionSuccess();
  }

 private:
  bool active_ = false;
};
