// The Windows byte streams the connector (Streams.cpp) makes once it has a
// connection: a named pipe's client end, or a connected TCP socket.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Streams.h"

// Bytes read in one turn of the loop, so a flood cannot starve the keys.
constexpr size_t StreamReadBudget = 1 << 20;

// `pipe` was opened for overlapped reads and writes; the stream owns it.
std::unique_ptr<IByteStream> CreatePipeStream(ILoop &loop, void *pipe, TStreamHandlers handlers);
// `socket` is a connected SOCKET; the stream owns it.
std::unique_ptr<IByteStream> CreateSocketStream(ILoop &loop, uintptr_t socket,
                                                TStreamHandlers handlers);
