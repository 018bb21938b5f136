// A running program against the in-memory desktop: start-up, events and shut-down as the
// Windows entry point would drive them.
#pragma once

#include <memory>

#include "shell/Globals.h"
#include "shell/Program.h"
#include "support/FakeDesktop.h"
#include "ui/MainForm.h"

namespace nv::test {

struct Harness {
    FakeDesktop desktop;
    Platform platform = desktop.AsPlatform();
    FakeWidgetBackend backend{desktop};
    std::unique_ptr<TProgram> program;

    // Builds the program (global initialisation) without starting it.
    TProgram& Make() {
        program = std::make_unique<TProgram>(platform, backend);
        return *program;
    }
    // Builds and starts the program; returns whether it reached the message loop.
    bool Start() {
        if (!program) Make();
        return program->Start();
    }
    TMainForm& Form() { return *program->MainForm(); }
    TGlobals& Globals() { return program->Globals(); }
    TApplication& App() { return program->App(); }
    // What a user's action does: runs through the error boundary.
    void User(const std::function<void()>& action) { App().Dispatch(action); }
    void Finish() { program->Finish(); }
};

}  // namespace nv::test
