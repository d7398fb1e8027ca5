// placeholder until the player lands
