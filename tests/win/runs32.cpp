// Ends with exit code 32 when it runs as a 32-bit program: scripts/common.sh runs it to learn
// whether this machine runs 32-bit code at all.
int main() { return sizeof(void*) == 4 ? 32 : 64; }
