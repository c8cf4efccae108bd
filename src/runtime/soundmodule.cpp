// The sound module: the player and everything it links, loaded by the program once it runs.
#include "pulseplayer.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT runtime::SoundOutput *zumbarel_sound_output()
{
    return new runtime::PulsePlayer;
}
