#pragma once
// Counts the platform objects alive in the process, so tests can prove that
// everything created was released exactly once.

namespace platform {

void ObjectCreated();
void ObjectDestroyed();
int LiveObjectCount();

}  // namespace platform
