// Fitting a form's designed layout to the real extents of its captions, once the host can measure
// them: a control whose caption does not fit grows (wider on one line while its container has
// room, otherwise taller with the caption broken into lines), controls designed as one column
// keep one width, what was designed to the right of or below a grown control moves along by as
// much, and a container grows by what its contents grew. A caption that fits keeps its control
// at the designed place and size.
#pragma once

namespace lumo {

class Form;

void FitCaptions(Form& form);

}  // namespace lumo
