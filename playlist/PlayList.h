#pragma once
// The playlist window. For now it is the skinned, empty window that the main window shows, hides and
// docks; the list of projects and their audio files comes with the playlist itself.
#include "platform/runtime/Form.h"

namespace playlist {

struct PlayListDesign {
    explicit PlayListDesign(rt::Form& window);
};

class PlayList : public rt::FormWithDesign<PlayListDesign> {
  public:
    PlayList();

  protected:
    void Form_Load() override;
    void Form_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override;
};

PlayList& playList();

} // namespace playlist
