// The one interface between the driver and whatever plays the video, with its
// playback states, seek directions and reference counting.
#pragma once

#include <cstdint>
#include <string>

enum TVideoState : int32_t { vsNotReady = 0, vsStopped = 1, vsPlaying = 2, vsPaused = 3 };
enum TSeekDirection : int32_t { sdForward = 0, sdBackward = 1 };

// Where a seek of `amount` frames from `position` lands: backward never below
// 0 (also when the comparison is unordered: NaN); any other direction
// forward, without an upper bound. Every player seeks by this rule.
inline double SeekTarget(double position, int32_t direction, double amount) {
  if (direction != sdBackward) return position + amount;
  return position >= amount ? position - amount : 0;
}

// Slot order: AddRef, Release, then the operations as declared.
class IVideoPlayer {
public:
  virtual int32_t AddRef() = 0;
  virtual int32_t Release() = 0;
  virtual double GetPosition() = 0;
  virtual void SetPosition(double position) = 0;
  virtual std::string GetFileName() = 0;
  virtual void SetFileName(const std::string &name) = 0;
  virtual int32_t GetState() = 0;
  virtual void Start() = 0;
  virtual void Close() = 0;
  virtual bool IsAvailable() = 0;
  virtual void Play() = 0;
  virtual void Stop() = 0;
  virtual void Pause() = 0;
  virtual void Seek(int32_t direction, double amount) = 0;

protected:
  virtual ~IVideoPlayer() = default;
};

// A counted reference, the way an interface variable holds one: assigning
// takes a reference, clearing or reassigning drops it.
class TVideoPlayerRef {
public:
  TVideoPlayerRef() = default;
  TVideoPlayerRef(IVideoPlayer *player) : FPlayer(player) {
    if (FPlayer) FPlayer->AddRef();
  }
  TVideoPlayerRef(const TVideoPlayerRef &other) : TVideoPlayerRef(other.FPlayer) {}
  TVideoPlayerRef &operator=(const TVideoPlayerRef &other) {
    TVideoPlayerRef copy(other);
    std::swap(FPlayer, copy.FPlayer);
    return *this;
  }
  ~TVideoPlayerRef() { Clear(); }
  void Clear() {
    IVideoPlayer *old = FPlayer;
    FPlayer = nullptr;
    if (old) old->Release();
  }
  IVideoPlayer *operator->() const { return FPlayer; }
  IVideoPlayer *Get() const { return FPlayer; }
  explicit operator bool() const { return FPlayer != nullptr; }

private:
  IVideoPlayer *FPlayer = nullptr;
};
