// A DLL that the hook test reaches through a delay-load import of its own: the hook must leave
// it to the delay-load helper's default loading.
extern "C" __declspec(dllexport) int PeerAnswer() { return 2; }
