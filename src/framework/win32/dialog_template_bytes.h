#pragma once

#include <cstdint>
#include <vector>

struct DialogTemplate;

// The in-memory extended dialog template (DLGTEMPLATEEX with its DLGITEMTEMPLATEEX items) for
// one of our templates, as DialogBoxIndirectParamW and CreateDialogIndirectParamW take it:
// sizes in dialog units, the template's font (DS_SETFONT, so the dialog manager measures its
// units from that font), each item DWORD-aligned. Held in 16-bit words, the template's unit.
std::vector<std::uint16_t> DialogTemplateBytes(const DialogTemplate& dialogTemplate);

// The window styles for a template's dialog and control styles.
unsigned long DialogWindowStyle(unsigned dialogStyle);
unsigned long DialogExtendedStyle(unsigned dialogStyle);
