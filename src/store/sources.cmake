list(APPEND QM_PURE_SOURCES store/textstore.cpp store/textfile.cpp)
