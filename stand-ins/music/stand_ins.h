// The objects this library serves, each made with one reference owned by the caller.
#pragma once
#include <unknwn.h>

IUnknown* CreateFolderWatcher();
IUnknown* CreateMediaDatabase();
IUnknown* CreateMediaPlayer();
