list(APPEND QM_PURE_SOURCES sync/sharedstate.cpp sync/sharedfile.cpp)
