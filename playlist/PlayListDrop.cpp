#include "playlist/PlayList.h"

namespace playlist {

// Loading a drop comes next.
void PlayList::ListFiles_OLEDragDrop(rt::shell::DropData&, std::int32_t&, std::int16_t&, std::int16_t&,
                                     float&, float&) {}

void PlayList::TimerLap_Timer() {}

} // namespace playlist
