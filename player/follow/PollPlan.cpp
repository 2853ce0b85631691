// The followed player's poll schedule: bursts after changes and around a
// stepped player's steps, one check a second otherwise.
#include "player/follow/PollPlan.h"

#include <algorithm>
#include <cmath>

namespace {

TFollowTime::duration Span(double seconds) {
  return std::chrono::duration_cast<TFollowTime::duration>(std::chrono::duration<double>(seconds));
}

double Seconds(TFollowTime from, TFollowTime to) {
  return std::chrono::duration<double>(to - from).count();
}

} // namespace

void TPollPlan::Restart(TFollowTime at, bool playing, double rate) {
  FPlaying = playing && rate > 0;
  FRate = std::isfinite(rate) && rate > 0 ? std::min(rate, 100.0) : 1;
  FDense = FPlaying;
  FStepBurst = false;
  FStarted = FNext = at;
  FAnswers = FSame = 0;
}

void TPollPlan::Sent(TFollowTime at) {
  FSent = at;
  FAwaited = true;
  if (FDense && Seconds(FStarted, at) > BurstSeconds) EndBurst(at);
  if (!FDense && FStepped && FPlaying) { // the burst around the step that is due
    FDense = FStepBurst = true;
    FStarted = at;
    FAnswers = FSame = 0;
  }
}

bool TPollPlan::Answer(double seconds, TFollowTime at) {
  const bool known = FHasLast, changed = known && seconds != FLast;
  const double step = std::fabs(seconds - FLast);
  // An answer to no poll sent (the first, asked for at start-up) is dated
  // when it came.
  const TFollowTime read = FAwaited && FSent <= at ? FSent + (at - FSent) / 2 : at;
  FAwaited = false;
  const TFollowTime before = FLastRead;
  FHasLast = true;
  FLast = seconds;
  FLastRead = FFreshAt = read;
  if (!FDense) {
    FNext = at + Span(CheckSeconds);
    // A moving value that stood still while playing: learnt anew.
    if (!changed && FPlaying) Restart(at, true, FRate);
    return changed;
  }
  ++FAnswers;
  if (FStepBurst && FAnswers == 1 && seconds > FExpect - FStep / 2) {
    // The step came before the burst, at a moment unknown: learnt anew.
    Restart(at, FPlaying, FRate);
    return false;
  }
  if (FAnswers >= 2 && changed) {
    if (step > LargestStep) { // a jump: learnt anew from here
      Restart(at, FPlaying, FRate);
      return true;
    }
    if (FSame >= 1) {
      FStepped = true;
      FStep = step;
    } else if (!FStepBurst) {
      FStepped = false;
    }
    // A step came somewhere between the two reads; a moving value is as read.
    if (FSame >= 1 || FStepBurst) FFreshAt = before + (read - before) / 2;
    FEdge = FFreshAt;
    FEdgeValue = seconds;
    EndBurst(at);
    return true;
  }
  if (known && !changed) ++FSame;
  if (Seconds(FStarted, at) > (FStepBurst ? LeadSeconds + OverSeconds : BurstSeconds)) EndBurst(at);
  // A burst's first answer: fresh from a moving value, but a stepped one's
  // may have stepped long before.
  return changed && !FStepped;
}

TFollowTime TPollPlan::Next() const {
  return FDense ? std::max(FNext, FSent + Span(FStepBurst ? StepDenseSeconds : DenseSeconds))
                : FNext;
}

// The next burst waits for the first step due half a check after `at`,
// counted from the last step seen at the rate; else a check in a second.
void TPollPlan::EndBurst(TFollowTime at) {
  FDense = false;
  FNext = at + Span(CheckSeconds);
  if (!FStepped || !FPlaying) return;
  const double period = FStep / FRate;
  const double steps = std::max(1.0, std::ceil((Seconds(FEdge, at) + CheckSeconds / 2) / period));
  FNext = FEdge + Span(steps * period - LeadSeconds);
  FExpect = FEdgeValue + steps * FStep;
}
