#pragma once
// The media engine as a control of a window: it owns the engine and the view that draws the playing
// sound in its area. Unloading the window destroys both, and the sound stops.
#include "platform/media/MediaPlayer.h"
#include "platform/runtime/Controls.h"

#include <functional>
#include <memory>

namespace rt {

class MediaPlayerControl : public Control {
  public:
    explicit MediaPlayerControl(Container& parent);
    ~MediaPlayerControl() override;

    MediaPlayer& engine() { return *engine_; }
    MediaPlayer* operator->() { return engine_.get(); }

    // Tests put an engine of their own in every control created from then on (nullptr: the real one).
    using EngineFactory = std::function<std::unique_ptr<MediaPlayer>()>;
    static void setEngineFactoryForTesting(EngineFactory factory);

  private:
    std::unique_ptr<MediaPlayer> engine_;
};

} // namespace rt
