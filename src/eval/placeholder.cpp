// placeholder until the evaluation exists
