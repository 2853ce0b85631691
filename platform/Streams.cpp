// How a stream's address reads in messages.
#include "platform/Streams.h"

std::string TStreamAddress::Text() const {
  if (Kind == saLocal) return Path;
  return (Host.find(':') != std::string::npos ? "[" + Host + "]" : Host) + ":" +
         std::to_string(Port);
}
