// The notifier program: its application object and entry.
#include "app/CNotifierApp.h"

CNotifierApp theApp;

int main() { return AfxWinMain(); }
