// The Windows byte streams the connector (Streams.cpp) makes once it has a
// connection: a named pipe's client end, or a connected TCP socket.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/StreamBase.h"

// `pipe` was opened for overlapped reads and writes; the stream owns it.
// Null, with `error` set and the pipe closed, when the loop cannot watch it.
std::unique_ptr<IByteStream> CreatePipeStream(ILoop &loop, void *pipe, TStreamHandlers handlers,
                                              std::string &error);
// `socket` is a connected SOCKET; the stream owns it. Null as above.
std::unique_ptr<IByteStream> CreateSocketStream(ILoop &loop, uintptr_t socket,
                                                TStreamHandlers handlers, std::string &error);

// Why a connection the loop cannot watch is refused.
constexpr const char *LoopFullText = "the loop watches all the handles it can";
