list(APPEND QM_PURE_SOURCES clipboard/capturerules.cpp clipboard/logpaths.cpp clipboard/dib.cpp)
list(APPEND QM_GLUE_SOURCES clipboard/viewerchain.cpp clipboard/cliplog.cpp)
