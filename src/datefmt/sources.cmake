list(APPEND QM_PURE_SOURCES datefmt/datefmt.cpp)
