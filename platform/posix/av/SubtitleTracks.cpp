// The first text subtitle track of a video, read with libavformat and written
// out as a SubRip, WebVTT or SubStation document.
#include "platform/SubtitleTracks.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

struct TCue {
  int64_t StartMs;
  int64_t EndMs; // -1 when the packet gave no duration
  std::string Text;
};

std::string Time(int64_t ms, char fraction, int digits) {
  if (ms < 0) ms = 0;
  char text[40];
  const long long h = ms / 3600000, m = ms / 60000 % 60, s = ms / 1000 % 60;
  const long long part = digits == 3 ? ms % 1000 : ms % 1000 / 10;
  std::snprintf(text, sizeof text,
                digits == 3 ? "%02lld:%02lld:%02lld%c%03lld" : "%lld:%02lld:%02lld%c%02lld", h, m,
                s, fraction, part);
  return text;
}

// Lines of a cue without empty ones, which would end it in SubRip and WebVTT.
std::string CueLines(const std::string &text) {
  std::string result;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) result += line + "\n";
    start = end + 1;
  }
  return result;
}

uint32_t BigEndian32(const uint8_t *p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The text a packet carries, by codec: mov_text has a 16-bit length first;
// WebVTT from MP4 is boxes ("vttc" holding "payl"; "vtte" is a gap).
std::string PacketText(AVCodecID codec, const uint8_t *data, size_t size) {
  if (codec == AV_CODEC_ID_MOV_TEXT) {
    if (size < 2) return "";
    const size_t length = std::min<size_t>(size - 2, size_t{data[0]} << 8 | data[1]);
    return std::string(reinterpret_cast<const char *>(data + 2), length);
  }
  if (codec == AV_CODEC_ID_WEBVTT && size >= 8 &&
      (std::equal(data + 4, data + 8, "vttc") || std::equal(data + 4, data + 8, "vtte"))) {
    std::string text;
    for (size_t at = 8; at + 8 <= size;) {
      const size_t box = BigEndian32(data + at);
      if (box < 8 || at + box > size) break;
      if (std::equal(data + at + 4, data + at + 8, "payl"))
        text.append(reinterpret_cast<const char *>(data + at + 8), box - 8);
      at += box;
    }
    return text;
  }
  return std::string(reinterpret_cast<const char *>(data), size);
}

// A gap-free end: the packet's own, else the next cue's start, else 5 s on.
void SettleEnds(std::vector<TCue> &cues) {
  for (size_t i = 0; i < cues.size(); ++i) {
    if (cues[i].EndMs >= cues[i].StartMs) continue;
    cues[i].EndMs = i + 1 < cues.size() && cues[i + 1].StartMs > cues[i].StartMs
                        ? cues[i + 1].StartMs
                        : cues[i].StartMs + 5000;
  }
}

std::string SubRipDocument(const std::vector<TCue> &cues) {
  std::string doc;
  int number = 0;
  for (const TCue &cue : cues) {
    const std::string lines = CueLines(cue.Text);
    if (lines.empty()) continue;
    doc += std::to_string(++number) + "\n" + Time(cue.StartMs, ',', 3) + " --> " +
           Time(cue.EndMs, ',', 3) + "\n" + lines + "\n";
  }
  return doc;
}

std::string WebVttDocument(const std::vector<TCue> &cues) {
  std::string doc = "WEBVTT\n\n";
  for (const TCue &cue : cues) {
    const std::string lines = CueLines(cue.Text);
    if (lines.empty()) continue;
    doc += Time(cue.StartMs, '.', 3) + " --> " + Time(cue.EndMs, '.', 3) + "\n" + lines + "\n";
  }
  return doc;
}

// The track's header, then each packet ("ReadOrder,Layer,Style,...,Text")
// as a Dialogue line with its times put in after the layer.
std::string SubStationDocument(const std::string &header, const std::vector<TCue> &cues) {
  std::string doc = header;
  if (!doc.empty() && doc.back() != '\n') doc += '\n';
  if (doc.find("[Events]") == std::string::npos)
    doc += "\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
           "Effect, Text\n";
  for (const TCue &cue : cues) {
    const size_t order = cue.Text.find(',');
    if (order == std::string::npos) continue;
    const size_t layer = cue.Text.find(',', order + 1);
    if (layer == std::string::npos) continue;
    std::string text = cue.Text.substr(layer + 1);
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    doc += "Dialogue: " + cue.Text.substr(order + 1, layer - order - 1) + "," +
           Time(cue.StartMs, '.', 2) + "," + Time(cue.EndMs, '.', 2) + "," + text + "\n";
  }
  return doc;
}

bool IsTextCodec(AVCodecID codec) {
  switch (codec) {
  case AV_CODEC_ID_SUBRIP:
  case AV_CODEC_ID_TEXT:
  case AV_CODEC_ID_MOV_TEXT:
  case AV_CODEC_ID_WEBVTT:
  case AV_CODEC_ID_ASS:
  case AV_CODEC_ID_SSA: return true;
  default: return false;
  }
}

bool IsBitmapCodec(AVCodecID codec) {
  const AVCodecDescriptor *descriptor = avcodec_descriptor_get(codec);
  return descriptor && (descriptor->props & AV_CODEC_PROP_BITMAP_SUB);
}

struct TInput {
  AVFormatContext *Context = nullptr;
  ~TInput() { avformat_close_input(&Context); }
};

} // namespace

TSubtitleTrack ReadSubtitleTrack(const std::string &videoPath) {
  TSubtitleTrack track;
  track.Kind = TSubtitleTrack::tkNone;
  // The library's own complaints about odd files would land on the console.
  av_log_set_level(AV_LOG_QUIET);
  TInput input;
  if (avformat_open_input(&input.Context, videoPath.c_str(), nullptr, nullptr) < 0) return track;
  AVStream *chosen = nullptr;
  for (unsigned i = 0; i < input.Context->nb_streams; ++i) {
    AVStream *stream = input.Context->streams[i];
    stream->discard = AVDISCARD_ALL;
    const AVCodecParameters *codec = stream->codecpar;
    if (codec->codec_type != AVMEDIA_TYPE_SUBTITLE) continue;
    if (!chosen && IsTextCodec(codec->codec_id)) {
      chosen = stream;
    } else if (!chosen && track.Kind == TSubtitleTrack::tkNone && IsBitmapCodec(codec->codec_id)) {
      track.Kind = TSubtitleTrack::tkBitmap;
      track.Index = static_cast<int>(i);
      track.Codec = avcodec_get_name(codec->codec_id);
    }
  }
  if (!chosen) return track;

  chosen->discard = AVDISCARD_DEFAULT;
  const AVCodecID codec = chosen->codecpar->codec_id;
  const AVRational milliseconds{1, 1000};
  std::vector<TCue> cues;
  AVPacket *packet = av_packet_alloc();
  while (packet && av_read_frame(input.Context, packet) >= 0) {
    if (packet->stream_index == chosen->index && packet->pts != AV_NOPTS_VALUE) {
      const int64_t start = av_rescale_q(packet->pts, chosen->time_base, milliseconds);
      const int64_t end =
          packet->duration > 0
              ? start + av_rescale_q(packet->duration, chosen->time_base, milliseconds)
              : -1;
      cues.push_back(
          {start, end, PacketText(codec, packet->data, static_cast<size_t>(packet->size))});
    }
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  std::stable_sort(cues.begin(), cues.end(),
                   [](const TCue &a, const TCue &b) { return a.StartMs < b.StartMs; });
  SettleEnds(cues);

  track.Kind = TSubtitleTrack::tkText;
  track.Index = chosen->index;
  track.Codec = avcodec_get_name(codec);
  if (codec == AV_CODEC_ID_ASS || codec == AV_CODEC_ID_SSA) {
    const AVCodecParameters *parameters = chosen->codecpar;
    const std::string header(reinterpret_cast<const char *>(parameters->extradata),
                             parameters->extradata ? static_cast<size_t>(parameters->extradata_size)
                                                   : 0);
    track.Document = SubStationDocument(header, cues);
  } else if (codec == AV_CODEC_ID_WEBVTT) {
    track.Document = WebVttDocument(cues);
  } else {
    track.Document = SubRipDocument(cues);
  }
  return track;
}
