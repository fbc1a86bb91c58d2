# A printer with a magstripe reader and no card in sight: the magstripe request
# is never answered.
card = none
