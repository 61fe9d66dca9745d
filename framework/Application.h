#pragma once
// The application object: the program's title, its main form, the message loop with the
// application-wide message hook, and the end of the program.
#include <functional>
#include <string>

#include "framework/Win.h"

namespace kv {

class TForm;

class TApplication {
public:
    // The title of message and error boxes; the program file's name without its
    // extension until it is set.
    std::string Title() const;
    void SetTitle(std::string title) { title_ = std::move(title); }

    // COM for this thread (apartment threaded) and the common controls. Safe to repeat.
    void Initialize();

    // Creates form's window and runs its creation; the first form made so becomes the
    // main form, whose closing ends the message loop.
    void CreateForm(TForm& form);
    TForm* MainForm() const { return mainForm_; }

    // The message hook: sees every message taken from the queue before it is dispatched;
    // setting handled keeps it from being dispatched.
    std::function<void(MSG& msg, bool& handled)> OnMessage;

    // Shows the main form and runs the message loop until the program is asked to end.
    // Returns at once when Terminate was called before.
    void Run();
    // Handles one message the way the loop does (hook, key preview, dialog keys, dispatch).
    void HandleQueuedMessage(MSG& msg);
    // Dispatches every message waiting in the queue, then returns.
    void ProcessMessages();
    // Asks the loop to end; the loop ends at the next message.
    void Terminate();
    bool Terminated() const { return terminated_; }

private:
    friend class TForm;
    std::string title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool comInitialized_ = false;
};

TApplication& Application();

// The running program's own file.
std::wstring ProgramFile();

}  // namespace kv
