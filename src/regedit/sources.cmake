list(APPEND QM_PURE_SOURCES regedit/regeditrules.cpp)
list(APPEND QM_GLUE_SOURCES regedit/draglist.cpp regedit/regtextdialog.cpp)
