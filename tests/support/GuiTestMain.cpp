// main() of the GUI tests: offscreen unless the environment chose a platform, C locale, and
// Kelvane's own application object with its error display.
#include <gtest/gtest.h>

#include <QLocale>

#include "main/KelvaneApplication.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QLocale::setDefault(QLocale::c());
  ::testing::InitGoogleTest(&argc, argv);
  kelvane::KelvaneApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
