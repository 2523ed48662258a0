list(APPEND QM_PURE_SOURCES store/textstore.cpp store/exactfile.cpp store/textfile.cpp store/listpair.cpp store/savepace.cpp)
list(APPEND QM_GLUE_SOURCES store/listfile.cpp store/listsaver.cpp)
