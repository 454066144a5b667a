// Test helper: takes the single-instance guard at the lock path given as the
// first argument, prints "acquired" or "busy", and when it acquired the guard
// holds it until its standard input closes or a line arrives.
#include <QCoreApplication>
#include <iostream>
#include <string>

#include "platform/SingleInstanceGuard.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    korvel::SingleInstanceGuard guard(QString::fromLocal8Bit(argc > 1 ? argv[1] : ""));
    const bool acquired = guard.tryAcquire() == korvel::SingleInstanceGuard::Result::Acquired;
    std::cout << (acquired ? "acquired" : "busy") << std::endl;
    if (std::string line; acquired) {
        std::getline(std::cin, line);
    }
    return 0;
}
