// The program's one window: start-up, the two timers and the ending on a key.
#pragma once

#include "platform/runtime.h"
#include "rain/field.h"

#include <cstdint>

namespace tavrel {

class Tavrel final : public FormEvents {
public:
    // The window's normal client area, 8175 x 5040 twips (545 x 336 pixels at 96 dots per inch),
    // on a black background.
    static const FormDesign kDesign;

    explicit Tavrel(Runtime& runtime);

    void Form_Load() override;
    void Form_KeyDown(std::int16_t keyCode, std::int16_t shift) override;

    // Timer1 draws a frame, Timer2 advances the rain by one step.
    void Timer1_Timer();
    void Timer2_Timer();

    const RainField& Field() const { return m_field; }
    const Timer& Timer1() const { return m_timer1; }
    const Timer& Timer2() const { return m_timer2; }

private:
    void InitField();

    Runtime& m_runtime;
    Timer m_timer1;
    Timer m_timer2;
    RainField m_field;
};

}
