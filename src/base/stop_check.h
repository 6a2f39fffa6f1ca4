// What long network operations ask now and then to learn whether they should end early.
#pragma once

#include <functional>

// True when the caller wants the operation to end; an empty check never stops anything.
using StopCheck = std::function<bool()>;
