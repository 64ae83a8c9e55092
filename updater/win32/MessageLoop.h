#pragma once

// The application's message loop, until the main window has gone. Every
// exception that reaches it is dropped without a message: the run goes on
// where it was.
int RunMessageLoop();
