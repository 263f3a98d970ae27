// The options page library. The page itself comes with its own step; the
// library already builds and names itself so the engine can find it.

extern "C" __attribute__((visibility("default"))) const char* ChasewellProp_Name() {
    return "ChasewellProp";
}
