// placeholder: replaced by the front end
