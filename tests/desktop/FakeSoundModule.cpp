// Libraries the program must refuse as its sound module. Built plain, it is
// an ordinary library without the module's functions; built with
// ZEF_STALE_SOUND_MODULE, a module of another interface version, whose
// factory must never be called.

#include "app/desktop/SoundDevice.h"

#include <cstdlib>

#ifdef ZEF_STALE_SOUND_MODULE

extern "C" int ZefSoundDeviceVersion()
{
    return kSoundDeviceVersion + 1;
}

extern "C" TSoundDevice* ZefMakeSoundDevice(std::string&)
{
    std::abort();
}

#else

extern "C" int ZefPlainLibraryAnswer()
{
    return 42;
}

#endif
