name = "TQ-350 Mobile Printer 00204"
features = magstripe black_marks bluetooth fahrenheit
switches = 0x05
voltage_tenths = 61
temperature = 77
status = 0x40
card_delay_ms = 100
