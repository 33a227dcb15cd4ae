#pragma once

class MainWindowView;

// "<< compare >>" (control 1002): "SAME" or "DIFFERENT" over the loaded file's length; nothing
// without a loaded file and a completed read.
void OnCompare(MainWindowView& window);
