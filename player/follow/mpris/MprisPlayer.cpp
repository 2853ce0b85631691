// Follows an MPRIS player on the session bus with sd-bus. The connection's
// descriptor and timeout are served by the loop, so calls and signals stay on
// the main thread; Position is polled (it is never signalled), while
// PlaybackStatus, Rate, Metadata, Seeked and the name's owner are watched.
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <time.h>

#include "platform/Loop.h"
#include "player/follow/Followers.h"
#include "player/follow/Mpris.h"
#include "player/follow/MprisSession.h"

namespace {

constexpr uint64_t CallTimeoutUs = 2'000'000;
constexpr const char *ObjectPath = "/org/mpris/MediaPlayer2";
constexpr const char *PlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char *PropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr const char *NoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
// Messages handled in one turn of the loop, so a flood of signals cannot
// starve the keys; the rest waits for the next turn.
constexpr int ProcessBudget = 256;

struct TMessageUnref {
  void operator()(sd_bus_message *m) const { sd_bus_message_unref(m); }
};
using TMessagePtr = std::unique_ptr<sd_bus_message, TMessageUnref>;

struct TTrack {
  std::string Id;
  std::string Url;
};

// The contents of the variant at the read position when it holds one of
// `types` (single-letter signatures); anything else is skipped.
char PeekVariant(sd_bus_message *m, const char *types) {
  char type = 0;
  const char *contents = nullptr;
  if (sd_bus_message_peek_type(m, &type, &contents) <= 0 || type != 'v' || !contents) return 0;
  if (std::strlen(contents) == 1 && std::strchr(types, contents[0])) return contents[0];
  sd_bus_message_skip(m, "v");
  return 0;
}

bool ReadVariantText(sd_bus_message *m, std::string &out) {
  char type = PeekVariant(m, "so");
  const char *text = nullptr;
  char signature[2] = {type, 0};
  if (!type || sd_bus_message_read(m, "v", signature, &text) < 0) return false;
  out = text ? text : "";
  return true;
}

// A number of any integer or floating type (players differ in the one they use).
bool ReadVariantNumber(sd_bus_message *m, double &out) {
  char type = PeekVariant(m, "xtiud");
  char signature[2] = {type, 0};
  int r = -1;
  if (type == 'x' || type == 't') {
    int64_t value = 0;
    r = sd_bus_message_read(m, "v", signature, &value);
    out = type == 't' ? static_cast<double>(static_cast<uint64_t>(value)) : value;
  } else if (type == 'i' || type == 'u') {
    int32_t value = 0;
    r = sd_bus_message_read(m, "v", signature, &value);
    out = type == 'u' ? static_cast<double>(static_cast<uint32_t>(value)) : value;
  } else if (type == 'd') {
    r = sd_bus_message_read(m, "v", signature, &out);
  }
  return r >= 0;
}

// Metadata (a{sv}) at the read position: the track id and URL it names.
bool ReadMetadata(sd_bus_message *m, TTrack &track) {
  if (sd_bus_message_enter_container(m, 'a', "{sv}") <= 0) return false;
  while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
    const char *key = nullptr;
    if (sd_bus_message_read(m, "s", &key) < 0) return false;
    if (std::strcmp(key, "mpris:trackid") == 0)
      ReadVariantText(m, track.Id);
    else if (std::strcmp(key, "xesam:url") == 0)
      ReadVariantText(m, track.Url);
    else
      sd_bus_message_skip(m, "v");
    if (sd_bus_message_exit_container(m) < 0) return false;
  }
  return sd_bus_message_exit_container(m) >= 0;
}

class TMprisPlayer : public TFollowPlayer {
public:
  TMprisPlayer(const TFollowRequest &request, ILoop *loop)
      : TFollowPlayer(request.FrameRate > 0 ? request.FrameRate : 25.0, request.Ended, nullptr),
        FLoop(loop) {
    int r = sd_bus_open_user(&FBus);
    // sd-bus says "No medium found" when no session bus is named at all and
    // none sits in the runtime folder; the user is better told what is
    // missing.
    const char *address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (r < 0 && (!address || !*address)) {
      Fail("no session bus (DBUS_SESSION_BUS_ADDRESS is not set)");
      return;
    }
    if (r < 0) {
      Fail("Cannot reach the session bus to look for an MPRIS player: " +
           std::string(std::strerror(-r)));
      return;
    }
    sd_bus_set_method_call_timeout(FBus, CallTimeoutUs);
    TTrack track;
    if (!Choose(request, track)) {
      Fail(MprisLookedFor(request.Target));
      return;
    }
    if (!Subscribe()) {
      Fail("The MPRIS player " + FName + " cannot be followed");
      return;
    }
    FTrackId = track.Id;
    FetchInitialState();
    FAvailable = true;
    if (!FLoop) return;
    FWatch = FLoop->Watch(TWatch{sd_bus_get_fd(FBus), [this] { return Wanted(); },
                                 [this] { return Deadline(); }, [this](unsigned) { Process(); }});
    Schedule();
  }
  ~TMprisPlayer() override { Disconnect(); }

  void Play() override { Control("Play", "Playing"); }
  void Pause() override { Control("Pause", "Paused"); }
  void Stop() override { Control("Stop", "Stopped"); }

protected:
  int32_t State() override { return FSession.State(); }

  // SetPosition with the current track; without one, or when the player
  // refuses it, the relative Seek by the same distance.
  void SeekSeconds(double seconds) override {
    TFollowTime at = Now();
    FSeekTarget = static_cast<int64_t>(seconds * 1e6);
    FSeekFrom = static_cast<int64_t>(Clock.Position(at) * 1e6);
    FSession.OwnSeek(at);
    Schedule();
    if (FTrackId.empty() || FTrackId == NoTrack) return RelativeSeek();
    sd_bus_call_method_async(FBus, nullptr, FOwner.c_str(), ObjectPath, PlayerInterface,
                             "SetPosition", OnSetPositionReply, this, "ox", FTrackId.c_str(),
                             FSeekTarget);
  }

  void Disconnect() override {
    if (FLoop && FWatch) FLoop->Unwatch(FWatch);
    if (FLoop && FPollTimer) FLoop->KillTimer(FPollTimer);
    FWatch = FPollTimer = 0;
    if (FBus) sd_bus_close_unref(FBus);
    FBus = nullptr;
  }

private:
  // Lists the bus's MPRIS players and picks the one to follow.
  bool Choose(const TFollowRequest &request, TTrack &chosenTrack) {
    sd_bus_message *reply = nullptr;
    if (sd_bus_call_method(FBus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "ListNames", nullptr, &reply, "") < 0)
      return false;
    TMessagePtr names(reply);
    std::vector<TMprisCandidate> candidates;
    std::vector<TTrack> tracks;
    const char *name = nullptr;
    if (sd_bus_message_enter_container(reply, 'a', "s") <= 0) return false;
    while (sd_bus_message_read(reply, "s", &name) > 0) {
      TMprisCandidate candidate{name, "", ""};
      if (ChooseMprisPlayer({candidate}, request.Target, "") != 0) continue;
      TTrack track;
      if (!Describe(name, candidate.Status, track)) continue; // gone or not answering
      candidate.Url = track.Url;
      candidates.push_back(candidate);
      tracks.push_back(track);
    }
    char *resolved =
        request.VideoPath.empty() ? nullptr : realpath(request.VideoPath.c_str(), nullptr);
    std::string video = resolved ? resolved : request.VideoPath;
    std::free(resolved);
    int chosen = ChooseMprisPlayer(candidates, request.Target, video);
    if (chosen < 0) return false;
    FName = candidates[chosen].BusName;
    FSession.Status(candidates[chosen].Status, Now());
    chosenTrack = tracks[chosen];
    return true;
  }

  bool Describe(const char *name, std::string &status, TTrack &track) {
    TMessagePtr reply = GetProperty(name, "PlaybackStatus");
    if (!reply || !ReadVariantText(reply.get(), status)) return false;
    reply = GetProperty(name, "Metadata");
    if (reply && sd_bus_message_enter_container(reply.get(), 'v', "a{sv}") > 0)
      ReadMetadata(reply.get(), track);
    return true;
  }

  TMessagePtr GetProperty(const char *destination, const char *property) {
    sd_bus_message *reply = nullptr;
    if (sd_bus_call_method(FBus, destination, ObjectPath, PropertiesInterface, "Get", nullptr,
                           &reply, "ss", PlayerInterface, property) < 0)
      return nullptr;
    return TMessagePtr(reply);
  }

  // Calls and signals go to and come from the name's owner of now: a player
  // that closes and another that takes the name later is not followed.
  bool Subscribe() {
    sd_bus_message *reply = nullptr;
    const char *owner = nullptr;
    if (sd_bus_call_method(FBus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "GetNameOwner", nullptr, &reply, "s",
                           FName.c_str()) < 0)
      return false;
    TMessagePtr answer(reply);
    if (sd_bus_message_read(reply, "s", &owner) < 0 || !owner) return false;
    FOwner = owner;
    std::string ownerRule = "type='signal',sender='org.freedesktop.DBus',member='NameOwnerChanged',"
                            "arg0='" +
                            FName + "'";
    return sd_bus_add_match(FBus, nullptr, ownerRule.c_str(), OnOwnerChanged, this) >= 0 &&
           sd_bus_match_signal(FBus, nullptr, FOwner.c_str(), ObjectPath, PropertiesInterface,
                               "PropertiesChanged", OnPropertiesChanged, this) >= 0 &&
           sd_bus_match_signal(FBus, nullptr, FOwner.c_str(), ObjectPath, PlayerInterface, "Seeked",
                               OnSeeked, this) >= 0;
  }

  void FetchInitialState() {
    double value = 1;
    TMessagePtr reply = GetProperty(FOwner.c_str(), "Rate");
    if (reply && ReadVariantNumber(reply.get(), value)) FSession.Rate(value, Now());
    reply = GetProperty(FOwner.c_str(), "Position");
    if (reply && ReadVariantNumber(reply.get(), value))
      FSession.PollAnswer(FSession.PollSent(), static_cast<int64_t>(value), Now());
  }

  void Control(const char *method, const char *status) {
    RequireConnection();
    FSession.Status(status, Now()); // at once, so a second key builds on it
    Schedule();
    sd_bus_call_method_async(FBus, nullptr, FOwner.c_str(), ObjectPath, PlayerInterface, method,
                             OnControlReply, this, "");
  }

  void RelativeSeek() {
    sd_bus_call_method_async(FBus, nullptr, FOwner.c_str(), ObjectPath, PlayerInterface, "Seek",
                             nullptr, nullptr, "x", FSeekTarget - FSeekFrom);
  }

  // The poll timer, set again whenever the session may want its next poll
  // at another moment (after every answer, signal and key).
  void Schedule() {
    if (!FLoop || !FBus) return;
    if (FPollTimer) FLoop->KillTimer(FPollTimer);
    const double wait = std::chrono::duration<double>(FSession.NextPoll() - Now()).count();
    const double ms = std::clamp(wait * 1000, 1.0, 2000.0);
    FPollTimer = FLoop->SetOneShotTimer(static_cast<uint32_t>(ms), [this] {
      FPollTimer = 0;
      Poll();
    });
  }

  void Poll() {
    if (!FBus || FPollInFlight) return;
    FSession.Sending(Now());
    FPollToken = FSession.PollSent();
    FPollInFlight = sd_bus_call_method_async(FBus, nullptr, FOwner.c_str(), ObjectPath,
                                             PropertiesInterface, "Get", OnPositionReply, this,
                                             "ss", PlayerInterface, "Position") >= 0;
  }

  // What sd-bus waits for, in the loop's flags.
  unsigned Wanted() {
    int events = FBus ? sd_bus_get_events(FBus) : 0;
    if (events <= 0) return 0;
    return ((events & POLLIN) ? wfRead : 0u) | ((events & POLLOUT) ? wfWrite : 0u);
  }

  // sd-bus gives its timeout as a moment of CLOCK_MONOTONIC in microseconds;
  // the loop wants it on its own clock.
  double Deadline() {
    uint64_t usec = UINT64_MAX;
    if (FMore) return FLoop->Now();
    if (!FBus || sd_bus_get_timeout(FBus, &usec) < 0 || usec == UINT64_MAX) return HUGE_VAL;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    double nowUs = double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
    return FLoop->Now() + (double(usec) - nowUs) / 1e6;
  }

  // Callbacks run inside sd_bus_process: an ending they find is acted on
  // only after it has returned, since ending frees the connection.
  void Process() {
    FMore = false;
    for (int i = 0; FBus && FGone.empty(); ++i) {
      if (i == ProcessBudget) {
        FMore = true;
        break;
      }
      int r = sd_bus_process(FBus, nullptr);
      if (r < 0 || sd_bus_is_open(FBus) <= 0) FGone = "The session bus has gone away";
      if (r <= 0) break;
    }
    if (!FGone.empty()) return End(FGone);
    Schedule();
  }

  static int OnPositionReply(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<TMprisPlayer *>(data);
    self->FPollInFlight = false;
    double micros = 0;
    if (!sd_bus_message_is_method_error(m, nullptr) && ReadVariantNumber(m, micros))
      self->FSession.PollAnswer(self->FPollToken, static_cast<int64_t>(micros), self->Now());
    return 0;
  }

  // A refused command: the player's real status is asked for again.
  static int OnControlReply(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<TMprisPlayer *>(data);
    if (sd_bus_message_is_method_error(m, nullptr))
      sd_bus_call_method_async(self->FBus, nullptr, self->FOwner.c_str(), ObjectPath,
                               PropertiesInterface, "Get", OnStatusReply, self, "ss",
                               PlayerInterface, "PlaybackStatus");
    return 0;
  }

  static int OnStatusReply(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<TMprisPlayer *>(data);
    std::string status;
    if (!sd_bus_message_is_method_error(m, nullptr) && ReadVariantText(m, status))
      self->FSession.Status(status, self->Now());
    return 0;
  }

  static int OnSetPositionReply(sd_bus_message *m, void *data, sd_bus_error *) {
    if (sd_bus_message_is_method_error(m, nullptr))
      static_cast<TMprisPlayer *>(data)->RelativeSeek();
    return 0;
  }

  static int OnSeeked(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<TMprisPlayer *>(data);
    int64_t micros = 0;
    if (sd_bus_message_read(m, "x", &micros) >= 0) self->FSession.Seeked(micros, self->Now());
    return 0;
  }

  static int OnOwnerChanged(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<TMprisPlayer *>(data);
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sd_bus_message_read(m, "sss", &name, &before, &after) >= 0 && name && self->FName == name &&
        (!after || self->FOwner != after))
      self->FGone = "The player has closed: " + self->FName;
    return 0;
  }

  // PlaybackStatus, Rate and Metadata as they change; other properties and
  // values of the wrong type are passed over.
  static int OnPropertiesChanged(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<TMprisPlayer *>(data);
    const char *interface = nullptr;
    if (sd_bus_message_read(m, "s", &interface) < 0 || !interface ||
        std::strcmp(interface, PlayerInterface) != 0 ||
        sd_bus_message_enter_container(m, 'a', "{sv}") <= 0)
      return 0;
    while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
      const char *key = nullptr;
      if (sd_bus_message_read(m, "s", &key) < 0) return 0;
      std::string text;
      double number = 0;
      TTrack track;
      if (std::strcmp(key, "PlaybackStatus") == 0) {
        if (ReadVariantText(m, text)) self->FSession.Status(text, self->Now());
      } else if (std::strcmp(key, "Rate") == 0) {
        if (ReadVariantNumber(m, number)) self->FSession.Rate(number, self->Now());
      } else if (std::strcmp(key, "Metadata") == 0 &&
                 sd_bus_message_enter_container(m, 'v', "a{sv}") > 0) {
        if (ReadMetadata(m, track)) self->FTrackId = track.Id;
        sd_bus_message_exit_container(m);
      } else {
        sd_bus_message_skip(m, "v");
      }
      if (sd_bus_message_exit_container(m) < 0) return 0;
    }
    return 0;
  }

  TMprisSession FSession{Clock};
  ILoop *FLoop;
  sd_bus *FBus = nullptr;
  std::string FName;
  std::string FOwner;
  std::string FTrackId;
  uintptr_t FWatch = 0;
  uintptr_t FPollTimer = 0;
  bool FPollInFlight = false;
  uint64_t FPollToken = 0;
  bool FMore = false;
  std::string FGone;
  int64_t FSeekTarget = 0;
  int64_t FSeekFrom = 0;
};

} // namespace

void RegisterMprisFollower(ILoop *loop) {
  RegisterFollower("mpris", [loop](const TFollowRequest &request) -> TFollowPlayer * {
    return new TMprisPlayer(request, loop);
  });
}
