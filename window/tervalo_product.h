// Who makes the program, as Windows shows it: in the version information of
// tervalo.exe (tervalo.rc) and of the installer, and in Apps & features
// (windows/tervalo.nsi reads the two texts from this file).
#define TERVALO_PUBLISHER "Tervalo developers"
#define TERVALO_COPYRIGHT "Copyright (c) 2026 The tervalo developers"
