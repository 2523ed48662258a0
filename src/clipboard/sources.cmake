# Clipboard log files.
list(APPEND QM_PURE_SOURCES clipboard/logpaths.cpp clipboard/dib.cpp)
list(APPEND QM_GLUE_SOURCES clipboard/cliplog.cpp)
