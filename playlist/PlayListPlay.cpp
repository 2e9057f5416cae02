#include "playlist/PlayList.h"

namespace playlist {

// Playing a clicked line comes next.
void PlayList::ListFiles_Click() {}

} // namespace playlist
