#pragma once

namespace tervan {

// Qt's drawing code runs with AVX and may return with the upper halves of the vector
// registers in use; the program's own SSE arithmetic then pays a state transition on every
// instruction (2 to 3 times slower). Hot loops call this first. It does nothing on processors
// without AVX, and costs a cycle where it clears.
void clearUpperVectorState();

} // namespace tervan
