#pragma once
// The state of the processor's vector registers (internal).

namespace corvane {

/// Marks the upper halves of the vector registers as unused on x86-64 processors with AVX;
/// does nothing elsewhere. Code that returns with them in use (the start-up of Qt's GUI
/// library does) makes every later instruction of the older SSE kind, which the compiler
/// emits throughout this library, run markedly slower. Long operations call this first.
void clearUpperVectorHalves();

} // namespace corvane
