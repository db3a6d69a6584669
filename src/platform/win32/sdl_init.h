#pragma once
// Inside the platform layer: SDL is started lazily, one subsystem at a time,
// by whichever platform part first needs it.

namespace platform {

// Starts SDL's video subsystem (and with it the event queue) once. False when
// no video driver can start; callers then carry on without a display.
bool EnsureSdlVideo();

// True when SDL's video runs on a real display, one a person can see;
// starts the video subsystem as EnsureSdlVideo does.
bool DisplayAvailable();

// True once anything in the process has tried to start SDL's video (a
// window, the desktop's mode), whether or not it started.
bool SdlVideoRequested();

// Starts SDL's joystick subsystem once. False when it cannot start.
bool EnsureSdlJoystick();

// SDL_InitSubSystem without SDL's own SIGINT and SIGTERM handlers: the
// platform runs inside tools too, and starting a subsystem must not take the
// process's signals away from it. 0 on success, as SDL_InitSubSystem.
int InitSdlSubsystem(unsigned int flags);

}  // namespace platform
