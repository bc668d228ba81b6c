#pragma once

class CommControl;
class Dialogs;
class Form1Ui;
struct FormState;

// What every handler of the window works with: its controls, its form-level
// variables, the serial component and the dialogs.
struct FormContext
{
    Form1Ui &ui;
    FormState &state;
    CommControl &MSComm1;
    Dialogs &dialogs;
};
