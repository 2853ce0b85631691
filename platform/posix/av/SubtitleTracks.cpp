// The first text subtitle track of a video, read with libavformat: its
// packets' times and texts, and the codec's header.
#include "platform/SubtitleTracks.h"

#include <algorithm>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

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
void SettleEnds(std::vector<TTrackCue> &cues) {
  for (size_t i = 0; i < cues.size(); ++i) {
    if (cues[i].EndMs >= cues[i].StartMs) continue;
    cues[i].EndMs = i + 1 < cues.size() && cues[i + 1].StartMs > cues[i].StartMs
                        ? cues[i + 1].StartMs
                        : cues[i].StartMs + 5000;
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

TSubtitleTrack ReadSubtitleTrack(const std::string &videoPath, TTextCodecTest isTextCodec) {
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
    if (!chosen && isTextCodec(avcodec_get_name(codec->codec_id))) {
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
  std::vector<TTrackCue> &cues = track.Cues;
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
                   [](const TTrackCue &a, const TTrackCue &b) { return a.StartMs < b.StartMs; });
  SettleEnds(cues);

  track.Kind = TSubtitleTrack::tkText;
  track.Index = chosen->index;
  track.Codec = avcodec_get_name(codec);
  const AVCodecParameters *parameters = chosen->codecpar;
  if (parameters->extradata)
    track.Header.assign(reinterpret_cast<const char *>(parameters->extradata),
                        static_cast<size_t>(parameters->extradata_size));
  return track;
}
