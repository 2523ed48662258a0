list(APPEND QM_PURE_SOURCES regedit/regeditrules.cpp)
