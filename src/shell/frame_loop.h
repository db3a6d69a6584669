#pragma once
// The message loop and the frame step it runs whenever the queue is empty.

// Returns once ShellState::quitRequested is seen at the top of a turn.
void RunMessageLoop();

// Keys, game update, picture (unless the previous step overran), counting,
// then the wait for the end of the 30 ms period.
void RunFrame();
