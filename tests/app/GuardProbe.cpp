// Test helper: takes the single-instance guard at the lock path given as the
// first argument (without one, at its own default path), prints "acquired",
// "busy" (another copy holds it) or "unavailable" (no safe lock there, or
// "default <path>" when asked for its own default path), and when it acquired
// the guard holds it until its standard input closes or a line arrives.
#include <QCoreApplication>
#include <iostream>
#include <string>

#include "platform/SingleInstanceGuard.h"

int main(int argc, char** argv) {
    using Result = korvel::SingleInstanceGuard::Result;
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::cout << "default " << korvel::SingleInstanceGuard::defaultLockPath().toStdString()
                  << std::endl;
        return 0;
    }
    korvel::SingleInstanceGuard guard(QString::fromLocal8Bit(argv[1]));
    const Result result = guard.tryAcquire();
    std::cout << (result == Result::Acquired         ? "acquired"
                  : result == Result::AlreadyRunning ? "busy"
                                                     : "unavailable")
              << std::endl;
    if (std::string line; result == Result::Acquired) {
        std::getline(std::cin, line);
    }
    return 0;
}
