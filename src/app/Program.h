#pragma once

#include <memory>

namespace korvel {

// The program: the single-instance guard, the random seed, the program
// folder, the main window and start-up. Made once the application object
// exists; start() shows the menu, or why the program may not run. The event
// loop that main runs does the rest, and ends with status 1 when the start
// was refused.
class Program {
  public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void start();

  private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

}  // namespace korvel
