list(APPEND QM_PURE_SOURCES sync/sharedstate.cpp sync/sharedfile.cpp sync/registeredlist.cpp
    sync/sharedhistory.cpp)
list(APPEND QM_GLUE_SOURCES sync/sharedfolder.cpp sync/shareddialog.cpp)
