#include "held_conversion.h"

#include "app/forms.h"
#include "app/frm_main.h"

void HeldConversion::watch()
{
    FrmMain->conversions.watchProgress([this](const ConversionProgress&) {
        if (++reports_ != report_)
            return;
        held = true;
        // Bounded only so that a blocked event thread fails the test
        // instead of hanging it.
        resumedInTime = resume.tryAcquire(1, 60000);
    });
}
