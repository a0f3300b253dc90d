// The window tests' main: the offscreen platform unless a display is asked for,
// SDL's silent audio driver, one QApplication for all tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A silent sound device that always opens, whatever the machine has.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
