#include "platform/media/MediaPlayerControl.h"

#include "platform/media/AnalyserView.h"

namespace rt {

namespace {

MediaPlayerControl::EngineFactory& engineFactory() {
    static MediaPlayerControl::EngineFactory factory;
    return factory;
}

} // namespace

MediaPlayerControl::MediaPlayerControl(Container& parent) : Control(parent, Kind::Windowed) {
    engine_ = engineFactory() ? engineFactory()() : createMediaPlayer();
    auto* view = new AnalyserView;
    view->setAccessibleName("Espectro");
    attachWidget(view);
    engine_->attachAnalyserView(view);
}

MediaPlayerControl::~MediaPlayerControl() {
    // The engine stops before its view goes.
    engine_->attachAnalyserView(nullptr);
    engine_.reset();
}

void MediaPlayerControl::setEngineFactoryForTesting(EngineFactory factory) {
    engineFactory() = std::move(factory);
}

} // namespace rt
